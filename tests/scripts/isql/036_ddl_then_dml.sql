-- failures: 0
create table paises (sigla char(2) not null primary key, nome varchar(40));
insert into paises values ('BR', 'Brasil');
insert into paises values ('PT', 'Portugal');
-- the foreign key below needs the rows above committed
commit;
create table estados (sigla char(2), pais char(2) references paises, nome varchar(40), primary key (pais, sigla));
insert into estados values ('SP', 'BR', 'São Paulo');
insert into estados values ('LX', 'PT', 'Lisboa');
create view v_estados as select e.nome as estado, p.nome as pais from estados e join paises p on p.sigla = e.pais;
create table copia_estados (estado varchar(40), pais varchar(40));
insert into copia_estados select * from v_estados;
create sequence seq_x;
insert into copia_estados values ('Seq ' || next value for seq_x, 'Nenhum');
