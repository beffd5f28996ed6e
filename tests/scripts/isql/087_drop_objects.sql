-- failures: 0
create table rascunho_a (id integer primary key);
create table rascunho_b (id integer primary key, a integer references rascunho_a);
create view v_rascunho as select b.id from rascunho_b b join rascunho_a a on a.id = b.a;
create sequence seq_rascunho;
create exception e_rascunho 'x';
create domain d_rascunho as integer;
set term ^ ;
create procedure p_rascunho as begin exception e_rascunho; end^
create trigger t_rascunho for rascunho_a before insert as begin new.id = new.id + 0; end^
set term ; ^
create index ix_rascunho on rascunho_b (a);
drop index ix_rascunho;
drop trigger t_rascunho;
drop procedure p_rascunho;
drop view v_rascunho;
drop table rascunho_b;
drop table rascunho_a;
drop sequence seq_rascunho;
drop exception e_rascunho;
drop domain d_rascunho;
create table sobrevivente (id integer primary key);
insert into sobrevivente values (1);
commit;
