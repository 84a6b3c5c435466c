Sub Main
  Dim task As Object
  task.Run "x"
End Sub
' expect error: line 3: Object variable or With block variable not set
