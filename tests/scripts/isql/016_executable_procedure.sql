-- failures: 0
create table contas (id integer primary key, titular varchar(30), saldo numeric(12,2) default 0 not null);
create table movimentos (id integer primary key, conta integer references contas, valor numeric(12,2));
create sequence seq_mov;
insert into contas (id, titular, saldo) values (1, 'Alice', 500);
insert into contas (id, titular, saldo) values (2, 'Bob', 100);
set term ^ ;
create procedure transferir (origem integer, destino integer, valor numeric(12,2))
returns (saldo_origem numeric(12,2))
as
begin
  update contas set saldo = saldo - :valor where id = :origem;
  update contas set saldo = saldo + :valor where id = :destino;
  insert into movimentos values (next value for seq_mov, :origem, -:valor);
  insert into movimentos values (next value for seq_mov, :destino, :valor);
  select saldo from contas where id = :origem into :saldo_origem;
end^
set term ; ^
execute procedure transferir 1, 2, 120.50;
execute procedure transferir (2, 1, 20);
commit;
