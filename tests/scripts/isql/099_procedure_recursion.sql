-- failures: 0
create table fibonacci (n smallint primary key, valor bigint);
set term ^ ;
create procedure fib (n smallint) returns (r bigint) as
  declare a bigint;
  declare b bigint;
begin
  if (n < 2) then r = n;
  else
  begin
    execute procedure fib (n - 1) returning_values :a;
    execute procedure fib (n - 2) returning_values :b;
    r = a + b;
  end
end^
create procedure serie (ate smallint) returns (n smallint, valor bigint) as
begin
  n = 0;
  while (n <= ate) do
  begin
    execute procedure fib n returning_values :valor;
    suspend;
    n = n + 1;
  end
end^
set term ; ^
insert into fibonacci select n, valor from serie(15);
commit;
