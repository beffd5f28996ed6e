-- failures: 0
create table trilha (id integer primary key, passos varchar(100) default '');
set term ^ ;
create trigger trilha_b for trilha before insert position 20 as
begin
  new.passos = new.passos || 'B';
end^
create trigger trilha_a for trilha before insert position 10 as
begin
  new.passos = new.passos || 'A';
end^
create trigger trilha_c for trilha inactive before insert position 30 as
begin
  new.passos = new.passos || 'C';
end^
set term ; ^
insert into trilha (id) values (1);
alter trigger trilha_c active;
insert into trilha (id) values (2);
alter trigger trilha_a inactive;
alter trigger trilha_b position 40;
insert into trilha (id) values (3);
commit;
