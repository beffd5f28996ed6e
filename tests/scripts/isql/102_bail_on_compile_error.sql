-- failures: 1
set bail on;
create table contas_bail (id integer primary key, saldo numeric(10,2));
insert into contas_bail values (1, 10);
commit;
insert into contas_bail values (2, 20);
set term ^ ;
create procedure quebrado as
begin
  update tabela_inexistente set x = 1;
end^
create procedure nunca as begin end^
set term ; ^
insert into contas_bail values (3, 30);
commit;
