-- failures: 0
create table "ORDER" (
  "USER" varchar(20),
  "DATE" date,
  "TIME" time,
  "VALUE" integer,
  "position" smallint,
  "Order" varchar(10)
);
insert into "ORDER" values ('sysdba', '2024-07-01', '10:00', 1, 1, 'a');
insert into "ORDER" ("USER", "VALUE", "position", "Order") values ('outro', 2, 2, 'b');
update "ORDER" set "VALUE" = "VALUE" * 10 where "Order" = 'b';
create view "SELECT" as select "USER", "VALUE" from "ORDER";
create table "insert" ("from" integer, "where" varchar(10));
insert into "insert" select "VALUE", "Order" from "ORDER";
commit;
