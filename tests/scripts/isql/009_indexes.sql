-- failures: 0
create table pedidos (
  numero integer not null primary key,
  cliente varchar(40) not null,
  emissao date not null,
  total numeric(12,2),
  situacao char(1) default 'A'
);
create index ix_pedidos_cliente on pedidos (cliente);
create descending index ix_pedidos_emissao on pedidos (emissao);
create asc index ix_pedidos_cli_emissao on pedidos (cliente, emissao);
create unique index ux_pedidos_cli_total on pedidos (cliente, total);
create index ix_pedidos_upper on pedidos computed by (upper(cliente));
create descending index ix_pedidos_ano on pedidos computed by (extract(year from emissao));
insert into pedidos values (1001, 'mercado sol', '2023-05-10', 150.00, 'A');
insert into pedidos values (1002, 'Mercado Lua', '2023-05-11', 89.90, 'F');
insert into pedidos values (1003, 'mercado sol', '2024-01-02', 10.00, 'A');
commit;
alter index ix_pedidos_cliente inactive;
alter index ix_pedidos_cliente active;
alter index ix_pedidos_ano inactive;
set statistics index ix_pedidos_emissao;
drop index ux_pedidos_cli_total;
update pedidos set situacao = 'F' where upper(cliente) = 'MERCADO SOL' and emissao < '2024-01-01';
commit;
