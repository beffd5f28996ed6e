-- failures: 0
create sequence seq_pedido;
create sequence seq_fatura start with 1000;
create table faturas (id integer primary key, pedido integer);
insert into faturas values (next value for seq_fatura, next value for seq_pedido);
insert into faturas values (next value for seq_fatura, next value for seq_pedido);
alter sequence seq_pedido restart with 500;
insert into faturas values (next value for seq_fatura, next value for seq_pedido);
alter sequence seq_fatura restart with 2000 increment by 5;
insert into faturas values (next value for seq_fatura, next value for seq_pedido);
alter sequence seq_pedido increment by 100;
insert into faturas values (gen_id(seq_fatura, 1), gen_id(seq_pedido, 1));
alter sequence seq_pedido restart;
commit;
