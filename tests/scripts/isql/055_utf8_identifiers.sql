-- failures: 0
set names utf8;
create table "Clientes Especiais" (
  "Código" integer not null primary key,
  "Razão Social" varchar(60),
  "Αριθμός" integer,
  "Имя" varchar(30)
);
create sequence "Seq_Ação";
create view "Visão_Clientes" as select "Código", "Razão Social" from "Clientes Especiais";
insert into "Clientes Especiais" values (next value for "Seq_Ação", 'Padaria São João', 7, 'Иван');
insert into "Clientes Especiais" values (next value for "Seq_Ação", 'Café Ações', 8, 'Ольга');
create table "Log_Visão" ("Código" integer, "Descrição" varchar(80));
insert into "Log_Visão" select "Código", 'Cópia: ' || "Razão Social" from "Visão_Clientes";
commit;
