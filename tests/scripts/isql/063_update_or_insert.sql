-- failures: 0
create table configuracoes (chave varchar(30) not null primary key, valor varchar(100), versao integer default 1);
create table cotacoes (moeda char(3), dia date, valor numeric(10,4));
update or insert into configuracoes (chave, valor) values ('tema', 'claro');
update or insert into configuracoes (chave, valor) values ('idioma', 'pt-BR');
update or insert into configuracoes (chave, valor, versao) values ('tema', 'escuro', 2);
update or insert into cotacoes (moeda, dia, valor) values ('USD', '2024-01-02', 4.8901) matching (moeda, dia);
update or insert into cotacoes (moeda, dia, valor) values ('EUR', '2024-01-02', 5.3710) matching (moeda, dia);
update or insert into cotacoes (moeda, dia, valor) values ('USD', '2024-01-02', 4.9012) matching (moeda, dia);
commit;
