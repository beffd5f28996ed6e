-- failures: 1
create domain d_codigo as varchar(10) check (value = upper(value));
create domain d_desconto as numeric(5,2) default 0;
create table cupons (id integer primary key, codigo d_codigo, desconto d_desconto, validade date);
insert into cupons (id, codigo, validade) values (1, 'BEMVINDO', '2030-01-01');
insert into cupons (id, codigo, desconto) values (2, 'minusculo', 5);
commit;
alter domain d_desconto set default 5;
alter domain d_desconto add constraint check (value between 0 and 50);
alter domain d_codigo type varchar(20);
alter domain d_codigo drop constraint;
alter domain d_codigo add check (char_length(value) >= 3);
insert into cupons (id, codigo) values (3, 'verão2030');
commit;
alter domain d_desconto to d_percentual;
alter domain d_codigo drop default;
commit;
