# The whole database out: the schema as the rowsets give it, and the value forms
# and literals of the target databases.
kelvane_test(migrate_test kelvane_migrate)
