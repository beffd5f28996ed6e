-- failures: 0
create table produtos (
  id integer not null primary key,
  nome varchar(50) not null check (char_length(trim(nome)) > 0),
  preco numeric(10,2) not null,
  estoque integer default 0 not null,
  minimo integer default 0,
  constraint ck_preco check (preco >= 0),
  constraint ck_minimo check (minimo is null or minimo <= 1000)
);
alter table produtos add constraint ck_estoque check (estoque >= 0);
insert into produtos (id, nome, preco) values (1, 'Caneta', 2.50);
insert into produtos (id, nome, preco, estoque, minimo) values (2, 'Caderno', 15.90, 40, 10);
insert into produtos (id, nome, preco, estoque) values (3, 'Borracha', 0, 100);
update produtos set estoque = estoque + 5 where minimo is not null;
