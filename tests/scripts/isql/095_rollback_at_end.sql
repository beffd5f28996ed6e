-- failures: 0
create table tentativa_final (id integer primary key);
insert into tentativa_final values (1);
commit;
insert into tentativa_final values (2);
insert into tentativa_final values (3);
rollback;
