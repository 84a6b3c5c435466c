Sub Main
  Static n
End Sub
' expect error: line 2: Static is not supported
