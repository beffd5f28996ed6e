-- failures: 0
create table estoque_atual (produto integer primary key, quantidade integer, atualizado smallint);
create table entradas (produto integer, quantidade integer, lote smallint);
insert into estoque_atual values (1, 10, 0);
insert into estoque_atual values (2, 0, 0);
insert into estoque_atual values (3, 5, 0);
insert into entradas values (1, 5, 1);
insert into entradas values (2, -1, 1);
insert into entradas values (4, 7, 1);
merge into estoque_atual e
using (select produto, sum(quantidade) as qtd, max(lote) as lote from entradas group by produto) n
on e.produto = n.produto
when matched and e.quantidade + n.qtd <= 0 then delete
when matched then update set e.quantidade = e.quantidade + n.qtd, e.atualizado = n.lote
when not matched then insert (produto, quantidade, atualizado) values (n.produto, n.qtd, n.lote);
commit;
