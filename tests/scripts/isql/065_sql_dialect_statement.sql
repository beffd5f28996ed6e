-- failures: 0
set sql dialect 3;
create table "dialeto" ("Nome" varchar(20), valor numeric(15,2), quando date);
insert into "dialeto" values ('três', 1 / 3, '2022-02-02');
insert into "dialeto" values ('quociente', 7 / 2, date '2022-02-03');
insert into "dialeto" values ('fração', 7.0 / 2, cast('2022-02-04' as date));
SET SQL DIALECT 3;
commit;
