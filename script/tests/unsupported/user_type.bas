Type Point
  x As Long
End Type
Sub Main
End Sub
' expect error: line 1: Type ... End Type (user-defined types) is not supported
