-- failures: 0
create table alunos (id integer primary key, nome varchar(40), nota numeric(4,2));
insert into alunos values (1, 'Ana', 9.5);
insert into alunos values (2, 'Beto', 4.0);
insert into alunos values (3, 'Caio', 6.75);
insert into alunos values (4, 'Duda', 3.5);
delete from alunos -- só os reprovados; não todos
where nota < 4;
delete from alunos /* ainda não; 'cuidado' */
where id = 3 and nota > 9;
update alunos
  set nota = nota + 0.5 /* bônus; */
  -- regra: só quem passou
  where nota >= 6;
insert into /* tabela */ alunos (id, /* coluna; */ nome, nota)
  values (5, /* nome */ 'Eva -- não é comentário', 7);
insert into alunos values (6, '/* nem isto */', 8);
commit;
