-- failures: 1
create table matriculas (
  id integer primary key,
  aluno varchar(40) not null,
  idade smallint check (idade between 5 and 120)
);
insert into matriculas values (1, 'Lia', 10);
insert into matriculas values (2, 'Téo', 3);
insert into matriculas values (3, 'Iva', 30);
update matriculas set idade = idade + 1;
commit;
