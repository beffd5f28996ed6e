-- failures: 0
-- The last statement has no line break after it.
create table final_sem_quebra (id integer primary key);
insert into final_sem_quebra values (1);
insert into final_sem_quebra values (2);