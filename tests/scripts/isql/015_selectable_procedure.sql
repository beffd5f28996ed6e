-- failures: 0
create table vendas_mes (ano smallint, mes smallint, valor numeric(12,2), primary key (ano, mes));
insert into vendas_mes values (2023, 1, 1000);
insert into vendas_mes values (2023, 2, 1500.5);
insert into vendas_mes values (2023, 3, 700.25);
set term ^ ;
create procedure acumulado (p_ano smallint)
returns (mes smallint, valor numeric(12,2), soma numeric(14,2))
as
begin
  soma = 0;
  for select mes, valor from vendas_mes where ano = :p_ano order by mes into :mes, :valor do
  begin
    soma = soma + valor;
    suspend;
  end
end^
set term ; ^
create table acumulados (mes smallint, valor numeric(12,2), soma numeric(14,2));
insert into acumulados select mes, valor, soma from acumulado(2023);
select * from acumulado(2023);
commit;
