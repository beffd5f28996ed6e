-- failures: 0
create table departamentos (
  id integer not null,
  sigla char(4) not null,
  nome varchar(40) not null,
  constraint pk_departamentos primary key (id),
  constraint uq_departamentos_sigla unique (sigla)
);
create table funcionarios (
  matricula integer not null primary key,
  nome varchar(60) not null,
  departamento integer references departamentos (id) on update cascade on delete set null,
  chefe integer,
  constraint fk_chefe foreign key (chefe) references funcionarios (matricula)
);
insert into departamentos values (10, 'ADM', 'Administração');
insert into departamentos values (20, 'TI', 'Tecnologia');
insert into departamentos values (30, 'RH', 'Recursos Humanos');
insert into funcionarios values (1, 'Carla', 10, null);
insert into funcionarios values (2, 'Bruno', 20, 1);
insert into funcionarios values (3, 'Dario', 20, 2);
insert into funcionarios values (4, 'Elisa', 30, 1);
update departamentos set id = 21 where id = 20;
delete from departamentos where id = 30;
commit;
