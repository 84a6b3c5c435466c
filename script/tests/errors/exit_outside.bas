Sub Main
  Exit For
End Sub
' expect error: line 2: Exit For outside a For loop
