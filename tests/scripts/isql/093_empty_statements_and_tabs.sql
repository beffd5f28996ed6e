-- failures: 0
create	table	tabulada	(
	id	integer	not null	primary key,
	nome	varchar(20)
);;
;
insert	into	tabulada	values	(1,	'com	tab');
  ;  ;
insert into tabulada values (2, 'depois de vazios');
commit;;
