Sub Main
  Print Left("abc")
End Sub
' expect error: line 2: wrong number of arguments to Left: expects 2, given 1
