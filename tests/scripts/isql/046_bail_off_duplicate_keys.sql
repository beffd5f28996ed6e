-- failures: 2
set bail off;
create table emails (id integer primary key, endereco varchar(80) not null unique);
insert into emails values (1, 'ana@exemplo.com');
insert into emails values (2, 'bia@exemplo.com');
insert into emails values (1, 'outro@exemplo.com');
insert into emails values (3, 'ana@exemplo.com');
insert into emails values (4, 'caio@exemplo.com');
commit;
