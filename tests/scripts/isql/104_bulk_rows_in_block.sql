-- failures: 0
create table calendario (dia date primary key, ano smallint, mes smallint, dia_semana smallint, util boolean);
set term ^ ;
execute block as
  declare d date = '2024-01-01';
begin
  while (d < '2025-01-01') do
  begin
    insert into calendario values (:d, extract(year from :d), extract(month from :d),
      extract(weekday from :d), extract(weekday from :d) between 1 and 5);
    d = d + 1;
  end
end^
set term ; ^
update calendario set util = false where dia in ('2024-01-01', '2024-04-21', '2024-05-01', '2024-09-07', '2024-10-12', '2024-11-02', '2024-11-15', '2024-12-25');
create table resumo_mensal (mes smallint primary key, dias_uteis integer);
insert into resumo_mensal select mes, count(*) from calendario where util group by mes;
commit;
