-- failures: 0
create global temporary table tmp_sessao (id integer primary key, valor varchar(20)) on commit preserve rows;
create global temporary table tmp_transacao (id integer, valor varchar(20)) on commit delete rows;
create table permanente (id integer primary key, origem varchar(20));
insert into tmp_sessao values (1, 'sessão');
insert into tmp_transacao values (2, 'transação');
insert into permanente select id, valor from tmp_sessao;
insert into permanente select id, valor from tmp_transacao;
commit;
insert into permanente select id + 10, valor from tmp_sessao;
insert into permanente select id + 20, valor from tmp_transacao;
commit;
