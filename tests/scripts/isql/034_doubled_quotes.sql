-- failures: 0
create table citacoes (id integer primary key, autor varchar(40), frase varchar(200));
insert into citacoes values (1, 'D''Ávila', 'Ele disse: ''não; nunca''.');
insert into citacoes values (2, '''', ''';''');
insert into citacoes values (3, 'Aspas "duplas"', 'Texto com "aspas" e ; ponto e vírgula');
insert into citacoes values (4, 'Vazio', '''''');
insert into citacoes values (5, 'Fim', 'termina com ponto e vírgula;');
update citacoes set frase = replace(frase, '''', '`') where id = 1;
delete from citacoes where autor = '''';
commit;
