-- failures: 1
set bail on;
create table passos (n integer primary key);
insert into passos values (1);
set bail off;
insert into passos values (1);
insert into passos values (2);
set bail on;
insert into passos values (3);
