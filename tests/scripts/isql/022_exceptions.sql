-- failures: 2
create exception e_saldo 'Saldo insuficiente';
create exception e_generica 'Erro: texto com ''aspas'' e ponto; e vírgula';
alter exception e_saldo 'Saldo insuficiente para a operação';
create table saques (conta integer, valor numeric(10,2));
create table saldos (conta integer primary key, saldo numeric(10,2));
insert into saldos values (1, 50);
set term ^ ;
create procedure sacar (p_conta integer, p_valor numeric(10,2))
as
  declare atual numeric(10,2);
begin
  select saldo from saldos where conta = :p_conta into :atual;
  if (atual is null) then
    exception e_generica 'Conta ' || p_conta || ' não existe';
  if (atual < p_valor) then
    exception e_saldo;
  update saldos set saldo = saldo - :p_valor where conta = :p_conta;
  insert into saques values (:p_conta, :p_valor);
end^
set term ; ^
execute procedure sacar 1, 20;
execute procedure sacar 1, 40;
execute procedure sacar 9, 1;
execute procedure sacar 1, 30;
commit;
