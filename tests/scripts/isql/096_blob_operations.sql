-- failures: 0
create table arquivos (id integer primary key, nome varchar(40), conteudo blob sub_type binary, texto blob sub_type text, tamanho integer);
insert into arquivos (id, nome, conteudo) values (1, 'cabecalho.png', x'89504E470D0A1A0A0000000D49484452');
insert into arquivos (id, nome, conteudo) values (2, 'vazio.bin', x'');
insert into arquivos (id, nome, texto) values (3, 'leia-me.txt', 'Linha 1
Linha 2; com ponto e vírgula
Linha 3 com ''aspas''');
update arquivos set tamanho = octet_length(conteudo) where conteudo is not null;
update arquivos set tamanho = char_length(texto), conteudo = cast(texto as blob sub_type binary) where id = 3;
insert into arquivos (id, nome, texto) select id + 10, 'cópia de ' || nome, upper(texto) from arquivos where texto is not null;
update arquivos set texto = texto || ascii_char(10) || 'Linha 4' where id = 3;
insert into arquivos (id, nome, texto) values (20, 'grande.txt', cast(lpad('', 8000, 'xyz') as blob sub_type text) || lpad('', 8000, 'abc'));
commit;
