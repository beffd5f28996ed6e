-- failures: 0
create table fatores (n smallint primary key, fatorial bigint);
set term ^ ;
execute block returns (n smallint, f bigint)
as
begin
  n = 0;
  f = 1;
  while (n < 15) do
  begin
    n = n + 1;
    f = f * n;
    insert into fatores values (:n, :f);
    suspend;
  end
end^

execute block returns (total integer)
as
  declare limite integer = 5;
begin
  select count(*) from fatores where n <= :limite into :total;
  suspend;
end^
set term ; ^
delete from fatores where n > 12;
