Const Limit = 5
Sub Main
  Limit = 6
End Sub
' expect error: line 3: cannot assign to constant Limit
