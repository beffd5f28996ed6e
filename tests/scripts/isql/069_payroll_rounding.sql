-- failures: 0
create table folha (
  matricula integer primary key,
  salario numeric(12,2) not null,
  horas_extras numeric(5,2) default 0,
  inss numeric(12,2),
  irrf numeric(12,2),
  liquido numeric(12,2)
);
insert into folha (matricula, salario, horas_extras) values (1, 1412.00, 0);
insert into folha (matricula, salario, horas_extras) values (2, 3500.50, 10.5);
insert into folha (matricula, salario, horas_extras) values (3, 9999.99, 2.25);
insert into folha (matricula, salario) values (4, 0.01);
update folha set inss = round(salario * case
    when salario <= 1412 then 0.075
    when salario <= 2666.68 then 0.09
    when salario <= 4000.03 then 0.12
    else 0.14 end, 2);
update folha set irrf = case when salario - inss > 2259.20 then trunc((salario - inss) * 0.15 - 169.44, 2) else 0 end;
update folha set liquido = salario + horas_extras * (salario / 220) * 1.5 - inss - irrf;
commit;
