-- failures: 0
create table numeros_primos (n integer primary key);
set term ^ ;
create procedure gera_primos (limite integer)
as

  declare variable n integer = 2;

  declare variable d integer;

  declare variable primo boolean;

begin

  while (n <= limite) do
  begin

    primo = true;
    d = 2;

    while (d * d <= n and primo) do
    begin
      if (mod(n, d) = 0) then primo = false;

      d = d + 1;
    end

    if (primo) then insert into numeros_primos values (:n);

    n = n + 1;
  end

end^

set term ; ^

execute procedure gera_primos 100;
commit;
