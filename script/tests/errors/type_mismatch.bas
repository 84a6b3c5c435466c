Sub Main
  Dim n As Integer
  n = "twelve"
End Sub
' expect error: line 3: Type mismatch
