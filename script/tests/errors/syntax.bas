Sub Main
  x = (1 + 2
End Sub
' expect error: line 2: expected ')', found the end of the line
