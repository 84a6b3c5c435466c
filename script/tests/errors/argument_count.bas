Function Add(a, b)
  Add = a + b
End Function

Sub Main
  Print Add(1)
End Sub
' expect error: line 6: wrong number of arguments to Add: expects 2, given 1
