Sub Main
  Dim t As String, k As Long
  For k = 1 To 100000
    t = t & "x"
  Next
  Print Len(t)
End Sub
