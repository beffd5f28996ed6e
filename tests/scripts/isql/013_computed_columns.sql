-- failures: 0
create table itens_venda (
  venda integer not null,
  item smallint not null,
  quantidade numeric(10,3) not null,
  unitario numeric(10,2) not null,
  desconto numeric(5,2) default 0,
  total computed by (quantidade * unitario * (1 - desconto / 100)),
  rotulo computed by ('V' || venda || '-' || item),
  primary key (venda, item)
);
alter table itens_venda add grande computed by (case when quantidade * unitario > 100 then 'S' else 'N' end);
insert into itens_venda (venda, item, quantidade, unitario) values (1, 1, 2, 10.50);
insert into itens_venda (venda, item, quantidade, unitario, desconto) values (1, 2, 1.5, 99.99, 10);
insert into itens_venda (venda, item, quantidade, unitario) values (2, 1, 12, 30);
create table resumo_venda (venda integer primary key, soma numeric(18,4));
insert into resumo_venda select venda, sum(total) from itens_venda group by venda;
commit;
