Sub Main
  Dim a, b
  a = 1: b = 0
  Print a / b
End Sub
' expect error: line 4: Division by zero
