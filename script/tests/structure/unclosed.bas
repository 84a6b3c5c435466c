Sub Main
  If True Then
    Print 1
End Sub
' expect error: line 4: 'End Sub' without a matching opening statement (expected End If for the block opened on line 2)
