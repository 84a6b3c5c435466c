Sub Main
  Dim s As Long, i As Long
  For i = 1 To 5000000
    s = (s + i * i) Mod 1000003
  Next
  Print s
End Sub
