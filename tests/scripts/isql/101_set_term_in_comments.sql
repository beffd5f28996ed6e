-- failures: 0
-- set term ^ ;
create table sinais (id integer primary key, nome varchar(20));
/* set term ^ ;
   nada disto muda o terminador */
insert into sinais values (1, 'um');
insert into sinais values (2, 'set term ^ ;');
set term ^ ;
-- set term ; ^
insert into sinais values (3, 'três')^
/* set term ; ^ */
insert into sinais values (4, 'quatro')^
set term ; ^
commit;
