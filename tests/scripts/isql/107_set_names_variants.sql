-- failures: 0
SET NAMES UTF8;
set sql dialect 3;
create table nomes_variantes (id integer primary key, texto varchar(30));
insert into nomes_variantes values (1, 'Ñandú, Øre, Æble');
set names utf8;
SET SQL DIALECT 3;
insert into nomes_variantes values (2, 'Ünïcödé ✓');
commit;
