-- failures: 0
create table passos_salvos (n integer primary key, fase varchar(10));
insert into passos_salvos values (1, 'antes');
savepoint s1;
insert into passos_salvos values (2, 'em s1');
savepoint s2;
insert into passos_salvos values (3, 'em s2');
rollback to savepoint s2;
insert into passos_salvos values (4, 'depois s2');
release savepoint s1 only;
savepoint s3;
insert into passos_salvos values (5, 'em s3');
rollback to s3;
insert into passos_salvos values (6, 'fim');
commit;
