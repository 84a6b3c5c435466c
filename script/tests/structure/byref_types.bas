' A ByRef argument whose declared type differs from the parameter's still
' passes the change back, converted to the caller's type.
Sub Increment(n As Long)
  n = n + 1
End Sub

Sub SetText(v)
  v = "12"
End Sub

Sub Main
  Dim x, count As Integer
  x = 5
  Increment x
  Print x & " " & TypeName(x) ' expect: 6 Long
  SetText count
  Print count + 1 & " " & TypeName(count) ' expect: 13 Integer
  Dim arr(1) As Long
  arr(0) = 1
  Increment arr(0)
  Print arr(0) ' expect: 1
  Increment (x)
  Print x ' expect: 6
  On Error Resume Next
  Dim flag As Boolean
  SetText flag
  Print flag ' expect: True
End Sub
