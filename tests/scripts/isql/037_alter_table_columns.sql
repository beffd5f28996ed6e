-- failures: 0
create table veiculos (placa char(7) not null primary key, modelo varchar(30), ano smallint);
insert into veiculos values ('ABC1D23', 'Fusca', 1975);
insert into veiculos values ('XYZ9K88', 'Gol', 2010);
commit;
alter table veiculos add cor varchar(15) default 'branco';
alter table veiculos add km integer default 0 not null;
update veiculos set cor = 'azul', km = 120000 where placa = 'ABC1D23';
commit;
alter table veiculos drop ano;
alter table veiculos add ano_modelo smallint;
update veiculos set ano_modelo = 2011 where modelo = 'Gol';
alter table veiculos alter column modelo to modelo_nome;
alter table veiculos alter column cor type varchar(25);
alter table veiculos alter column km position 2;
commit;
