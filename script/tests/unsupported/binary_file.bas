Sub Main
  Open "x.bin" For Binary As #1
End Sub
' expect error: line 2: Open ... For Binary is not supported
