-- failures: 0
create sequence seq_tickets;
create exception e_ticket_aberto 'Só se apagam tickets fechados';
create table tickets (
  id integer not null primary key,
  prioridade smallint default 3 not null,
  estado varchar(10) default 'aberto' not null,
  titulo varchar(60) not null,
  historico varchar(200) default ''
);
set term ^ ;
create trigger tickets_biu for tickets active before insert or update position 0 as
begin
  if (inserting and new.id is null) then new.id = gen_id(seq_tickets, 1);
  if (updating and new.estado <> old.estado) then
    new.historico = old.historico || old.estado || '->' || new.estado || ';';
  if (new.prioridade not between 1 and 5) then new.prioridade = 3;
  if (rdb$get_context('USER_TRANSACTION', 'MODO') = 'silencioso') then new.titulo = lower(new.titulo);
end^
create trigger tickets_bd for tickets before delete as
begin
  if (old.estado <> 'fechado') then
    exception e_ticket_aberto;
end^
set term ; ^
insert into tickets (titulo) values ('Impressora não imprime');
insert into tickets (titulo, prioridade) values ('Servidor lento', 9);
update tickets set estado = 'andamento' where id = 1;
update tickets set estado = 'fechado' where id = 1;
set term ^ ;
execute block as
begin
  rdb$set_context('USER_TRANSACTION', 'MODO', 'silencioso');
  insert into tickets (titulo, prioridade) values ('ENCOMENDA ATRASADA', 1);
end^
set term ; ^
delete from tickets where estado = 'fechado';
commit;
