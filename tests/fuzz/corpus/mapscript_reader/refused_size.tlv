[Control]
Version=QXTRV0101
ColCount=41
RowCount=81
[Hex]
4080=3
