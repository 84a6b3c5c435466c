Sub Main
  Dim n As Integer
  n = 32767
  n = n + 1
End Sub
' expect error: line 4: Overflow
