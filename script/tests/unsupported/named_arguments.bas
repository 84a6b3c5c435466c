Sub Main
  MsgBox Prompt:="hi"
End Sub
' expect error: line 2: a named argument (name:=value) is not supported
