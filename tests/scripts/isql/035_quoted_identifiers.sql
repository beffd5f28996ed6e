-- failures: 0
create table "Itens do Pedido" (
  "Id" integer not null primary key,
  "Descrição Curta" varchar(40),
  "valor;total" numeric(10,2),
  "SELECT" integer,
  "minúsculo" varchar(10),
  UPPERCASE_PLAIN integer
);
create index "Índice; estranho" on "Itens do Pedido" ("Descrição Curta");
insert into "Itens do Pedido" ("Id", "Descrição Curta", "valor;total", "SELECT", "minúsculo", uppercase_plain)
  values (1, 'Parafuso', 1.25, 7, 'abc', 1);
insert into "Itens do Pedido" values (2, 'Porca "sextavada"', 0.40, null, 'xyz', 2);
update "Itens do Pedido" set "valor;total" = "valor;total" * 2 where "SELECT" is null;
create view "Visão ""Especial""" as select "Id", "valor;total" as "Total;Geral" from "Itens do Pedido";
commit;
