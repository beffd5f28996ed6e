-- failures: 0
create table documentos (
  id integer not null primary key,
  titulo varchar(40),
  corpo blob sub_type text,
  anexo blob sub_type binary,
  bruto blob
);
insert into documentos values (1, 'Contrato', 'Cláusula 1; o contratante...
Cláusula 2: ''pagamento'' em 30 dias;
Fim.', x'00FF10203040', x'CAFEBABE');
insert into documentos (id, titulo, corpo) values (2, 'Vazio', '');
insert into documentos (id, titulo, anexo) values (3, 'Só binário', x'');
insert into documentos (id, titulo, corpo) values (4, 'Longo', lpad('', 5000, 'abcdefghij'));
update documentos set corpo = corpo || ' (revisado)' where id = 1;
update documentos set anexo = cast('texto como binário' as blob sub_type binary) where id = 2;
commit;
