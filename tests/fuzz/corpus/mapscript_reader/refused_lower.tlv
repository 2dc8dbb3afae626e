[Control]
Version=qxtrv0101
ColCount=13
RowCount=37
