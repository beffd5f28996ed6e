-- failures: 1
create table grupos (id integer primary key, nome varchar(20));
create table membros (
  id integer primary key,
  grupo integer default 0,
  nome varchar(20),
  constraint fk_membros_grupo foreign key (grupo) references grupos (id) on delete set default on update cascade
);
create table tarefas_grupo (
  id integer primary key,
  grupo integer references grupos (id) on delete cascade on update cascade,
  descricao varchar(40)
);
create table fixos (id integer primary key, grupo integer references grupos (id));
insert into grupos values (0, 'sem grupo');
insert into grupos values (1, 'azul');
insert into grupos values (2, 'verde');
insert into membros values (1, 1, 'Ana');
insert into membros values (2, 2, 'Bia');
insert into tarefas_grupo values (1, 1, 'limpar');
insert into tarefas_grupo values (2, 2, 'regar');
insert into fixos values (1, 2);
delete from grupos where id = 1;
update grupos set id = 20 where id = 2;
delete from fixos;
update grupos set id = 20 where id = 2;
commit;
