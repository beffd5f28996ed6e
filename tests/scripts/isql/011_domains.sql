-- failures: 0
create domain d_id as integer not null;
create domain d_nome as varchar(60) character set utf8 not null check (value <> '');
create domain d_valor as numeric(12,2) default 0 check (value >= 0);
create domain d_sexo as char(1) check (value in ('F', 'M', 'X'));
create domain d_ativo as boolean default true not null;
create domain d_data as date default '2000-01-01';
create domain d_texto as blob sub_type text;
create table socios (
  id d_id primary key,
  nome d_nome,
  sexo d_sexo,
  mensalidade d_valor,
  ativo d_ativo,
  desde d_data,
  notas d_texto
);
insert into socios (id, nome, sexo) values (1, 'Rita', 'F');
insert into socios (id, nome, sexo, mensalidade, desde) values (2, 'Pedro', 'M', 45.5, '2019-07-01');
insert into socios (id, nome, ativo, notas) values (3, 'Kim', false, 'Sem sexo informado');
alter domain d_valor set default 10;
insert into socios (id, nome) values (4, 'Novo sócio');
commit;
