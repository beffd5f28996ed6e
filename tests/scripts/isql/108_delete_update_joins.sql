-- failures: 0
create table estoque_loja (loja smallint, produto integer, quantidade integer, primary key (loja, produto));
create table descontinuados (produto integer primary key, motivo varchar(30));
create table precos_loja (produto integer primary key, preco numeric(10,2));
insert into estoque_loja values (1, 10, 5);
insert into estoque_loja values (1, 11, 0);
insert into estoque_loja values (2, 10, 3);
insert into estoque_loja values (2, 12, 8);
insert into estoque_loja values (3, 13, 1);
insert into descontinuados values (11, 'fora de linha');
insert into descontinuados values (13, 'recall');
insert into precos_loja values (10, 9.90);
insert into precos_loja values (12, 19.90);
insert into precos_loja values (13, 5.00);
delete from estoque_loja e where exists (select 1 from descontinuados d where d.produto = e.produto);
update precos_loja p set preco = preco * 1.05
  where (select sum(quantidade) from estoque_loja e where e.produto = p.produto) > 5;
delete from precos_loja where produto not in (select produto from estoque_loja);
update estoque_loja set quantidade = quantidade + 1
  where produto = (select min(produto) from precos_loja);
commit;
