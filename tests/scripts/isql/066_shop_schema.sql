-- failures: 0
set names utf8;
create domain d_dinheiro as numeric(15,2) default 0 not null check (value >= 0);
create domain d_quantidade as integer default 1 not null check (value > 0);
create sequence seq_pedidos start with 1000;
create table categorias (
  id smallint not null primary key,
  nome varchar(40) not null unique
);
create table produtos (
  id integer not null primary key,
  categoria smallint not null references categorias,
  nome varchar(80) not null,
  preco d_dinheiro,
  ativo boolean default true
);
create table pedidos (
  id integer not null primary key,
  cliente varchar(60) not null,
  dia date not null,
  total d_dinheiro
);
create table pedido_itens (
  pedido integer not null references pedidos on delete cascade,
  produto integer not null references produtos,
  quantidade d_quantidade,
  preco d_dinheiro,
  subtotal computed by (quantidade * preco),
  primary key (pedido, produto)
);
create index ix_pedidos_dia on pedidos (dia);
set term ^ ;
create trigger pedido_itens_aiud for pedido_itens after insert or update or delete as
  declare p integer;
begin
  p = coalesce(new.pedido, old.pedido);
  update pedidos set total = (select coalesce(sum(subtotal), 0) from pedido_itens where pedido = :p)
  where id = :p;
end^
create trigger pedidos_bi for pedidos before insert as
begin
  if (new.id is null) then new.id = next value for seq_pedidos;
end^
set term ; ^
insert into categorias values (1, 'Papelaria');
insert into categorias values (2, 'Informática');
insert into produtos values (10, 1, 'Caderno 200 folhas', 24.90, true);
insert into produtos values (11, 1, 'Lápis HB', 1.50, true);
insert into produtos values (20, 2, 'Mouse sem fio', 89.00, true);
insert into produtos values (21, 2, 'Teclado', 150.00, false);
insert into pedidos (cliente, dia) values ('Escola Aurora', '2024-03-01');
insert into pedidos (cliente, dia) values ('João Pereira', '2024-03-02');
insert into pedido_itens (pedido, produto, quantidade, preco) values (1001, 10, 30, 24.90);
insert into pedido_itens (pedido, produto, quantidade, preco) values (1001, 11, 100, 1.20);
insert into pedido_itens (pedido, produto, quantidade, preco) values (1002, 20, 1, 89.00);
update pedido_itens set quantidade = 2 where pedido = 1002;
delete from pedido_itens where pedido = 1001 and produto = 11;
commit;
