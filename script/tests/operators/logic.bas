' Not And Or Xor Eqv Imp on Booleans and on whole numbers.
Sub Main
  Print Not True, True And False, True Or False, True Xor True ' expect: False	False	True	False
  Print True Eqv False, False Imp True, True Imp False ' expect: False	True	False
  Print 12 And 10, 12 Or 3, 5 Xor 1, Not 0 ' expect: 8	15	4	-1
  Print Not 1 = 2 ' expect: True
  Print 1 < 2 And 2 < 3 ' expect: True
  Print False And Null, IsNull(True And Null), True Or Null ' expect: False	True	True
  Print CInt(True), CInt(False) ' expect: -1	0
End Sub
