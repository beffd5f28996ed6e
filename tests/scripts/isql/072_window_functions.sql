-- failures: 0
create table notas_prova (aluno varchar(20), disciplina varchar(20), nota numeric(4,1), primary key (aluno, disciplina));
create table ranking (aluno varchar(20), disciplina varchar(20), posicao bigint, media_disciplina numeric(6,3), acumulado numeric(8,1));
insert into notas_prova values ('Ana', 'Matemática', 9.0);
insert into notas_prova values ('Beto', 'Matemática', 7.5);
insert into notas_prova values ('Caio', 'Matemática', 7.5);
insert into notas_prova values ('Ana', 'História', 6.0);
insert into notas_prova values ('Beto', 'História', 8.5);
insert into ranking
  select aluno, disciplina,
         rank() over (partition by disciplina order by nota desc),
         avg(nota) over (partition by disciplina),
         sum(nota) over (partition by aluno order by disciplina)
  from notas_prova;
commit;
