-- failures: 0
recreate table temporarios (id integer primary key, nome varchar(20));
insert into temporarios values (1, 'primeira versão');
commit;
recreate table temporarios (id integer primary key, nome varchar(40), extra smallint default 1);
insert into temporarios (id, nome) values (1, 'segunda versão');
recreate view v_temporarios as select id from temporarios;
recreate view v_temporarios as select id, nome from temporarios;
recreate exception e_temp 'primeira';
recreate exception e_temp 'segunda';
set term ^ ;
recreate procedure p_temp returns (x integer) as begin x = 1; suspend; end^
recreate procedure p_temp returns (x integer, y integer) as begin x = 2; y = 3; suspend; end^
set term ; ^
recreate sequence seq_temp;
commit;
