-- failures: 0
create table almoxarifado (item varchar(20) primary key, saldo integer default 0 not null);
create table movimentacao (
  id integer not null primary key,
  item varchar(20) not null references almoxarifado,
  tipo char(1) not null check (tipo in ('E', 'S')),
  quantidade integer not null check (quantidade > 0)
);
create sequence seq_movimentacao;
set term ^ ;
create trigger movimentacao_ai for movimentacao after insert as
begin
  update almoxarifado
     set saldo = saldo + iif(new.tipo = 'E', new.quantidade, -new.quantidade)
   where item = new.item;
end^
create procedure movimenta (p_item varchar(20), p_tipo char(1), p_qtd integer)
returns (novo_saldo integer)
as
begin
  if (not exists (select 1 from almoxarifado where item = :p_item)) then
    insert into almoxarifado (item) values (:p_item);
  insert into movimentacao values (next value for seq_movimentacao, :p_item, :p_tipo, :p_qtd);
  select saldo from almoxarifado where item = :p_item into :novo_saldo;
end^
set term ; ^
execute procedure movimenta 'parafuso', 'E', 100;
execute procedure movimenta 'parafuso', 'S', 30;
execute procedure movimenta 'arruela', 'E', 500;
execute procedure movimenta 'parafuso', 'E', 5;
commit;
