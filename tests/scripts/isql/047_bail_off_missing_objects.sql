-- failures: 3
create table registros (id integer primary key, texto varchar(20));
insert into registros values (1, 'antes');
insert into tabela_que_nao_existe values (1);
update registros set coluna_inexistente = 1;
execute procedure procedimento_fantasma;
insert into registros values (2, 'depois');
commit;
