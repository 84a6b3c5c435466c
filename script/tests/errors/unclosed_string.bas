Sub Main
  Print "abc
End Sub
' expect error: line 2: string literal without closing quote
