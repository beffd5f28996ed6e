-- failures: 0
create table quadrados (n integer primary key, q bigint, par boolean);
set term ^ ;
execute block
as
  declare variable i integer = 1;
begin
  while (i <= 20) do
  begin
    insert into quadrados values (:i, :i * :i, mod(:i, 2) = 0);
    i = i + 1;
  end
end^
set term ; ^
set term ^;
execute block as
declare n integer;
begin
  for select n from quadrados where par into :n do
    update quadrados set q = -q where n = :n;
end^
set term ;^
commit;
