-- failures: 0
create table respostas (id integer primary key, pergunta smallint, resposta varchar(10), peso numeric(3,1));
create table pontuacao (id integer primary key, pontos numeric(5,1), classe varchar(10), sem_zero numeric(3,1));
insert into respostas values (1, 1, 'sim', 1.0);
insert into respostas values (2, 1, 'não', null);
insert into respostas values (3, 2, null, 0);
insert into respostas values (4, 2, 'talvez', 2.5);
insert into pontuacao
  select id,
         case resposta when 'sim' then 10 when 'não' then 0 else 5 end * coalesce(peso, 1),
         case when resposta is null then 'branco' when peso > 2 then 'forte' else 'normal' end,
         nullif(peso, 0)
  from respostas;
update pontuacao set classe = decode(classe, 'branco', 'vazio', 'forte', 'FORTE', classe);
commit;
