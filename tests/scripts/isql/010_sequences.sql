-- failures: 0
create sequence seq_notas;
create generator gen_lotes;
create sequence seq_passo start with 100 increment by 10;
set generator gen_lotes to 500;
create table notas (
  id bigint not null primary key,
  lote integer,
  serie integer
);
insert into notas values (next value for seq_notas, gen_id(gen_lotes, 1), next value for seq_passo);
insert into notas values (next value for seq_notas, gen_id(gen_lotes, 1), next value for seq_passo);
insert into notas values (next value for seq_notas, gen_id(gen_lotes, 5), next value for seq_passo);
insert into notas select gen_id(seq_notas, 1), lote + 1000, serie from notas where id <= 2;
select gen_id(seq_notas, 0) from rdb$database;
commit;
