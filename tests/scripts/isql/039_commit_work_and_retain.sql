-- failures: 0
create table parcelas (id integer primary key, valor numeric(10,2), paga boolean default false);
insert into parcelas (id, valor) values (1, 100);
insert into parcelas (id, valor) values (2, 200);
commit work;
update parcelas set paga = true where id = 1;
commit retain;
insert into parcelas (id, valor) values (3, 300);
commit work retain;
insert into parcelas (id, valor) values (4, 400);
rollback;
insert into parcelas (id, valor) values (5, 500);
COMMIT;
