-- failures: 0
create table cadastro (id smallint not null primary key, apelido varchar(10), nascimento varchar(10), limite integer);
insert into cadastro values (1, 'Zeca', '1990-05-17', 1000);
insert into cadastro values (2, 'Tina', '1985-11-30', 2500);
commit;
alter table cadastro alter column apelido type varchar(30);
alter table cadastro alter column limite type bigint;
alter table cadastro alter apelido to nome_curto;
alter table cadastro alter column limite set default 500;
alter table cadastro add nascimento_data date;
update cadastro set nascimento_data = cast(nascimento as date);
commit;
alter table cadastro drop nascimento;
alter table cadastro alter nascimento_data to nascimento;
insert into cadastro (id, nome_curto, nascimento) values (7, 'Grande Nome Completo', '2001-01-01');
commit;
